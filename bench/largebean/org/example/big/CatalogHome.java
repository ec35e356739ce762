package org.example.big;

import javax.ejb.EJBHome;

/** Home interface of the benchmark's larger fixture. */
public interface CatalogHome extends EJBHome {
    Catalog create() throws java.rmi.RemoteException, javax.ejb.CreateException;
}
